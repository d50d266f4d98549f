PRINT "A",
