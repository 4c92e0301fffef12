@ A Nintendo DS cartridge: both screens show the backdrop of their 2D engine,
@ blue, red while A is held, green while the touch screen is touched. The ARM9
@ paints; the ARM7 passes it the pen bit, which only it can read. Booted by an
@ emulator straight from the header (no boot ROM, no logo).
        .arm
        .text
        .org    0
        .ascii  "TOVARUNE    "              @ title
        .ascii  "TOVA"                      @ game code
        .ascii  "TV"                        @ maker
        .byte   0, 0, 0, 0                  @ unit, seed, capacity (128 KiB), reserved
        .org    0x20
        .word   0x200, 0x02000000, 0x02000000, 0x200   @ ARM9: offset, entry, load, size
        .word   0x400, 0x02380000, 0x02380000, 0x200   @ ARM7: the same
        .org    0x80
        .word   0x600, 0x4000                          @ ROM used, header size

        .org    0x200                       @ ARM9, run at 02000000
arm9:   ldr     r0, =0x04000304             @ power: both LCDs, both 2D engines
        ldr     r1, =0x8203
        strh    r1, [r0]
        mov     r1, #0x10000                @ both engines: graphics, no layers
        ldr     r0, =0x04000000
        str     r1, [r0]
        ldr     r0, =0x04001000
        str     r1, [r0]
        ldr     r2, =0x05000000             @ engine A's backdrop colour
        add     r6, r2, #0x400              @ engine B's backdrop colour
        ldr     r3, =0x04000130             @ keys, 0 = held
        ldr     r7, =0x023FF000             @ the ARM7's copy of its keys
loop:   ldrh    r4, [r3]
        tst     r4, #1                      @ A
        ldrne   r5, =0x7C00                 @ blue (BGR555)
        ldreq   r5, =0x001F                 @ red
        ldrh    r4, [r7]
        tst     r4, #0x40                   @ the pen, 0 = down
        ldreq   r5, =0x03E0                 @ green
        strh    r5, [r2]
        strh    r5, [r6]
        b       loop
        .ltorg

        .org    0x400                       @ ARM7, run at 02380000
arm7:   ldr     r0, =0x04000136             @ the ARM7's keys: bit 6 the pen
        ldr     r1, =0x023FF000
1:      ldrh    r2, [r0]
        strh    r2, [r1]
        b       1b
        .ltorg

        .org    0x1FFFF
        .byte   0
