// The entry point of the link checks: each is linked with every object of one
// layer of the rating library, and links only when the layer calls nothing above it.
int main() { return 0; }
