// Shadow data regeneration windows.
