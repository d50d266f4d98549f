' Statements whose code depends on the controller: controller 2
DIM A AS BYTE
POKE 1000, 5
SPEED 5
SPEED A
OPEN
CLOSE
