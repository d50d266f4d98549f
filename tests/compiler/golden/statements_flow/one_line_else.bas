' A one-line IF with only an ELSE part: the statement after ELSE runs when the
' condition is false.
DIM A AS BYTE
IF A = 1 THEN ELSE A = 5
A = 2
