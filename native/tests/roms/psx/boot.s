# A 512 KiB boot ROM: sets the bus up as the console's own does, then starts
# the PS-X EXE that the emulator put on the expansion port.
    .set noreorder
    .set noat
    .text
_start:
    lui   $t0, 0x1F80
    lui   $t1, 0x1F00
    sw    $t1, 0x1000($t0)          # expansion 1 base
    li    $t1, 0x1F802000
    sw    $t1, 0x1004($t0)          # expansion 2 base
    li    $t1, 0x0013243F           # delays and sizes
    sw    $t1, 0x1008($t0)
    li    $t1, 0x00003022
    sw    $t1, 0x100C($t0)
    li    $t1, 0x0013243F
    sw    $t1, 0x1010($t0)
    li    $t1, 0x200931E1
    sw    $t1, 0x1014($t0)
    li    $t1, 0x00020843
    sw    $t1, 0x1018($t0)
    li    $t1, 0x00070777
    sw    $t1, 0x101C($t0)
    li    $t1, 0x00031125
    sw    $t1, 0x1020($t0)
    li    $t1, 0x00000B88
    sw    $t1, 0x1060($t0)          # RAM size
    lui   $t0, 0xFFFE
    li    $t1, 0x0001E988
    sw    $t1, 0x0130($t0)          # cache control
    lui   $t0, 0xBF00
    ori   $t0, $t0, 0x1000
    jr    $t0                       # the emulator's loader on the expansion port
    nop
    .org 0x80000 - 4
    .word 0
