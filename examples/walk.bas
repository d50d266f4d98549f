' walk.bas: a small walking loop for a six-servo-a-leg robot.
' Servos 0 to 5 are the left leg (group G6A), 18 to 23 the right leg (G6D).
' 100 is the middle of a servo's range (10 to 190).
DIM STEPS AS BYTE
CONST HOME = 100

' Stand up straight, slowly.
MOTOR G6A
MOTOR G6D
SPEED 5
GOSUB STAND

MAIN:
    ' Four steps forward, then a rest.
    SPEED 8
    FOR STEPS = 1 TO 4
        GOSUB LEFTSTEP
        GOSUB RIGHTSTEP
    NEXT STEPS
    GOSUB STAND
    DELAY 1000
    GOTO MAIN

' Left leg forward: lift, swing, put down.
LEFTSTEP:
    MOVE G6A, 100, 120, 80, 100, 100, 100
    MOVE G6D, 100, 100, 100, 100, 90, 100
    WAIT
    MOVE G6A, 110, 110, 90, 100, 100, 100
    MOVE G6D, 90, 100, 100, 100, 100, 100
    WAIT
    RETURN

' Right leg forward, the mirror of the left step.
RIGHTSTEP:
    MOVE G6D, 100, 120, 80, 100, 100, 100
    MOVE G6A, 100, 100, 100, 100, 90, 100
    WAIT
    MOVE G6D, 110, 110, 90, 100, 100, 100
    MOVE G6A, 90, 100, 100, 100, 100, 100
    WAIT
    RETURN

' Both legs in the home pose.
STAND:
    MOVE G6A, HOME, HOME, HOME, HOME, HOME, HOME
    MOVE G6D, HOME, HOME, HOME, HOME, HOME, HOME
    WAIT
    RETURN
