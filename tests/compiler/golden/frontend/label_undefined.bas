' x
GOTO nowhere
GOSUB missing
