// The desktop program's entry; the frame arrives with the application shell.
int main() { return 1; }
