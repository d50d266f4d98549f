' Music strings and sound
DIM W AS INTEGER
PLAY "T1 H1C"
PLAY "8#F"
MUSIC "O4 8.C[DEF]"
MUSIC "C"
MUSIC STOP
SOUND 60, 8, W, 300
