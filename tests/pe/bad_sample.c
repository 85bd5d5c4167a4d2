/* A program built to fail every check of check-pe.sh, proving that the checks can fail. */
#include <windows.h>

/* A section both writable and executable. */
__asm__(".section .wxdata,\"dwx\"\n.byte 0x90\n.text\n");

int main(void) {
    DWORD handle = 0;
    /* version.dll is no KnownDLL. */
    return (int)GetFileVersionInfoSizeW(L"kernel32.dll", &handle) > 0 ? 0 : 1;
}
