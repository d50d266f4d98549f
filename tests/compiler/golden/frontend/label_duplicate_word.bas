Main:
DIM A AS BYTE
MAIN: ' again
