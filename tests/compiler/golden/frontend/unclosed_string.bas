' a
' b
PRINT "abc
