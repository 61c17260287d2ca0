// placeholder translation unit until the commands arrive
