namespace moravel {}
