# A 32-bit Linux program with no library: it tells who runs 32-bit programs
# here and whether that runner honours MAP_FIXED_NOREPLACE, which Wine's
# 32-bit loader needs to reserve its address space quickly.
#   exit 42: it ran, and a second fixed no-replace mapping of a taken range
#            was refused with EEXIST
#   exit 43: it ran, but the runner ignores MAP_FIXED_NOREPLACE
# Once it runs it writes one byte to standard output, then waits until its
# standard input ends: meanwhile the caller can see who runs it
# (/proc/PID/exe: the program itself, or the emulator) and ask that emulator
# its version.
        .set SYS_exit, 1
        .set SYS_read, 3
        .set SYS_write, 4
        .set SYS_mmap2, 192
        .set PROT_READ_WRITE, 3
        .set MAP_PRIVATE_ANONYMOUS, 0x22
        .set MAP_FIXED_NOREPLACE, 0x100000
        .set EEXIST, 17
        .set kProbeAddress, 0x50000000
        .set kProbeSize, 0x10000

        .text
        .globl _start
_start:
        mov $SYS_write, %eax
        mov $1, %ebx
        mov $byte, %ecx
        mov $1, %edx
        int $0x80
wait_for_end:
        mov $SYS_read, %eax
        xor %ebx, %ebx
        mov $byte, %ecx
        mov $1, %edx
        int $0x80
        cmp $0, %eax
        jg wait_for_end

        call map
        cmp $kProbeAddress, %eax
        jne ignored
        call map
        cmp $-EEXIST, %eax
        jne ignored
        mov $42, %ebx
        jmp leave
ignored:
        mov $43, %ebx
leave:
        mov $SYS_exit, %eax
        int $0x80

map:
        mov $SYS_mmap2, %eax
        mov $kProbeAddress, %ebx
        mov $kProbeSize, %ecx
        mov $PROT_READ_WRITE, %edx
        mov $(MAP_PRIVATE_ANONYMOUS | MAP_FIXED_NOREPLACE), %esi
        mov $-1, %edi
        xor %ebp, %ebp
        int $0x80
        ret

        .data
byte:   .ascii "r"      # not NUL: the shell's read skips NUL bytes
