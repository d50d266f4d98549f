DIM A AS BYTE, B AS BYTE
A = B
A = B +
