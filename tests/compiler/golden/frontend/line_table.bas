' header comment

RETURN

' comment with a lone LF
 inside it
   
RETURN ' trailing comment
