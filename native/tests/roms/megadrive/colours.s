| A Mega Drive cartridge: the whole screen the backdrop colour, blue, red while
| A, B, C or Start is held on pad 1, and a 440 Hz tone on the PSG throughout.
        .text
        .org    0
        .long   0x00FFFE00, start       | stack, entry
        .rept   62
        .long   idle
        .endr

        .org    0x100                   | the cartridge header
        .ascii  "SEGA MEGA DRIVE "
        .ascii  "(C)TOVA 2026.DEC"
        .ascii  "TOVARUNE COLOURS                                "
        .ascii  "TOVARUNE COLOURS                                "
        .ascii  "GM 00000000-00"
        .word   0                       | checksum, unchecked without a boot ROM
        .ascii  "J               "
        .long   0, 0x1FFF, 0x00FF0000, 0x00FFFFFF
        .ascii  "                        "
        .ascii  "                                        "
        .ascii  "JUE             "

start:
        move.w  #0x2700, %sr
        move.b  0xA10001, %d0           | consoles with the TMSS want "SEGA" first
        andi.b  #0x0F, %d0
        beq.s   1f
        move.l  #0x53454741, 0xA14000
1:      lea     0xC00004, %a0           | VDP control port
        lea     0xC00000, %a1           | VDP data port
        move.w  (%a0), %d0
        move.w  #0x8004, (%a0)
        move.w  #0x8144, (%a0)          | display on, Mega Drive mode, no planes drawn
        move.w  #0x8700, (%a0)          | backdrop: palette 0, entry 0
        move.w  #0x8C81, (%a0)          | 320 pixels wide
        move.w  #0x8F02, (%a0)
        move.b  #0x8E, 0xC00011         | PSG tone 0: 3579545 / (32 * 254) Hz
        move.b  #0x0F, 0xC00011
        move.b  #0x90, 0xC00011         | tone 0 at full volume
        move.b  #0x40, 0xA10009         | pad 1: TH is ours to drive
loop:   move.b  #0x40, 0xA10003
        nop
        nop
        move.b  0xA10003, %d1           | TH high: C B Right Left Down Up (0 = held)
        move.b  #0x00, 0xA10003
        nop
        nop
        move.b  0xA10003, %d2           | TH low: Start A 0 0 Down Up
        and.b   %d2, %d1
        move.w  #0x0E00, %d3            | blue (0BGR, 3 bits each)
        btst    #4, %d1
        beq.s   held
        btst    #5, %d1
        bne.s   show
held:   move.w  #0x000E, %d3            | red
show:   move.l  #0xC0000000, (%a0)      | colour RAM, entry 0
        move.w  %d3, (%a1)
        bra.s   loop
idle:   rte

        .org    0x1FFF
        .byte   0
