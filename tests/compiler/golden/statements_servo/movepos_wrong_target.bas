' MOVEPOS G6B aimed at a G6C block
C6: POS G6C, 100

MOVEPOS G6B, C6