CONST K = 5
K = 1
