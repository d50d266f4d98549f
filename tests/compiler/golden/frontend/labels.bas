' labels bound to the address of their line
GOTO Later
Begin:
GOSUB sub
10 GOTO 10
later: RETURN
SUB: GOTO begin
