// A program that does nothing: the version check's tests read its version resource as that of VELQUIN.exe.
int main() {
    return 0;
}
