' position blocks, controller type 2
GOTO MAIN
STAND: POS 100, 100, 100, 100, 100, 100
SIT: POS , 90, 50,
MAIN:
MOVEPOS STAND
MOVEPOS sit
MOVEPOS LATER
LATER: 모터위치 10, 190