// The baseline for peak memory: a C++ program that does nothing, built and
// linked like fieldsift, so the difference is what fieldsift itself uses.
int main() {}
