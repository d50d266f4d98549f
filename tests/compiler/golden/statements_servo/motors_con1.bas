' motor switching on the first controller model
MOTOR 3
MOTOROFF 6
MOTOR G6A
AIMOTOR SETON
AI모터설정 초기
FASTSERVO 2, 100