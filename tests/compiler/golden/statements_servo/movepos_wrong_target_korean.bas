' MOVEPOS G6B aimed at a G6C block, Korean messages
C6: POS G6C, 100

MOVEPOS G6B, C6