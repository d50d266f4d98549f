"text" 1, 2
+ 1
, X
( A
RETURN
