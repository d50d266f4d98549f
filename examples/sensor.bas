' sensor.bas: reads a distance sensor and a light sensor in a loop and
' answers with the arms (groups G6B and G6C) and a beep.
' SONAR(0) reads the ultrasonic sensor on port 0, AD(0) the analog input 0
' (a light sensor here). Tune NEAR and DARK to your sensors.
DIM DIST AS BYTE
DIM LIGHT AS BYTE
CONST NEAR = 20
CONST DARK = 50

MOTOR G6B
MOTOR G6C
SPEED 10
GOSUB ARMSDOWN

MAIN:
    DIST = SONAR(0)
    LIGHT = AD(0)
    IF DIST < NEAR THEN
        GOSUB WARN
    ELSEIF LIGHT < DARK THEN
        GOSUB WAVE
    ELSE
        GOSUB ARMSDOWN
    ENDIF
    DELAY 200
    GOTO MAIN

' Something close: both arms up and a beep.
WARN:
    MOVE G6B, 100, 40, 100, 100, 100, 100
    MOVE G6C, 100, 160, 100, 100, 100, 100
    WAIT
    BEEP
    RETURN

' Dark: one wave of the left arm.
WAVE:
    MOVE G6B, 100, 60, 140, 100, 100, 100
    WAIT
    MOVE G6B, 100, 60, 60, 100, 100, 100
    WAIT
    RETURN

ARMSDOWN:
    MOVE G6B, 100, 100, 100, 100, 100, 100
    MOVE G6C, 100, 100, 100, 100, 100, 100
    WAIT
    RETURN
