// The wait window and its SQL helpers.
