namespace reportdb {}
