// Ends on an access violation, as a faulting Windows program does. Both the
// pointer and the write are volatile, so that the compiler can neither see
// the null nor drop the write.
int main() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
