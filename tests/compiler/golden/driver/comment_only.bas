' only a comment
