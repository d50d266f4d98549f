' motor switching and fast servo on controller model 3
DIM M AS BYTE
MOTOR 3
MOTOROFF M
모터해제 그룹8D
AIMOTOR G8D
AIMOTOROFF 1
FASTSERVO G6B, 100, , 120