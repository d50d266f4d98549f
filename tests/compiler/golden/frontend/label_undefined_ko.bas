' x
GOTO Here
HERE: GOSUB missing
