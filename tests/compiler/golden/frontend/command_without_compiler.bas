' x
THEN
