namespace text {}
