' every kind of declaration
DIM A AS BYTE, B AS INTEGER, X AS BYTE
CONST SMALL = 1
CONST LIMIT = 300
선언 가 는 바이트, 나 는 정수,
dim lower as integer
CONST BIG = &H10000
