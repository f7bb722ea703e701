// A program that does nothing but carry quorvel's version record and icon, for the test that
// reads them back until quorvel.exe itself is built.
int main() {
    return 0;
}
