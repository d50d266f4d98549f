' Assignments: expressions left to right, strings, bits
DIM A AS BYTE, B AS BYTE, N AS INTEGER
CONST K = 5
A = 5
A = 1
N = A + 300 * B
A = B MOD 3
A = B AND 15
A = B XOR 1
A = "A"
A.3 = 1
N.9 = 0
A = B.2
N = K << 2
