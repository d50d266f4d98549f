' position blocks, controller type 5
STAND: POS 100, 100, 100, 100, 100, 100
동작위치 STAND
MOVEPOS NEXTONE
NEXTONE: POS , 90