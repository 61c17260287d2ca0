// placeholder translation unit until the core arrives
