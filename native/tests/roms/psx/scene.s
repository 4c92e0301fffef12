# A PlayStation program as a PS-X EXE: every frame the GPU clears the screen
# to blue, draws a red triangle at the top left and a green 32x32 square on
# the bottom rows, at x = frame & 0xF0 (a step right every 16 frames).
    .set noreorder
    .set noat
    .text
header:
    .ascii "PS-X EXE"
    .org 0x10
    .word _start                    # initial pc
    .word 0                         # gp
    .word _start                    # where the text goes
    .word end - _start              # and its size
    .org 0x30
    .word 0x801FFFF0                # stack
    .org 0x4C
    .ascii "Sony Computer Entertainment Inc. for North America area"
    .org 0x800

_start:
    lui   $s0, 0x1F80               # I/O
    sw    $zero, 0x1814($s0)        # GP1: reset
    li    $t0, 0x08000001           # 320x240, NTSC, 15 bits
    sw    $t0, 0x1814($s0)
    li    $t0, 0x06C60260           # horizontal display range
    sw    $t0, 0x1814($s0)
    li    $t0, 0x07040010           # vertical display range: lines 16 to 256
    sw    $t0, 0x1814($s0)
    li    $t0, 0x05000000           # display area at 0,0
    sw    $t0, 0x1814($s0)
    li    $t0, 0x03000000           # display on
    sw    $t0, 0x1814($s0)
    jal   idle
    nop
    li    $t0, 0xE1000400           # GP0: drawing to the displayed area allowed
    sw    $t0, 0x1810($s0)
    li    $t0, 0xE3000000           # drawing area from 0,0
    sw    $t0, 0x1810($s0)
    li    $t0, 0xE403BD3F           # to 319,239
    sw    $t0, 0x1810($s0)
    li    $t0, 0xE5000000           # drawing offset 0,0
    sw    $t0, 0x1810($s0)
    move  $s1, $zero                # frames
frame:
    lw    $t0, 0x1070($s0)          # wait for the vertical blank
    nop
    andi  $t0, $t0, 1
    beq   $t0, $zero, frame
    nop
    li    $t0, 0xFFFFFFFE
    sw    $t0, 0x1070($s0)
    addiu $s1, $s1, 1
    jal   idle
    nop
    li    $t0, 0x02602010           # fill 320x240 with red 10, green 20, blue 60
    sw    $t0, 0x1810($s0)
    sw    $zero, 0x1810($s0)
    li    $t0, 0x00F00140
    sw    $t0, 0x1810($s0)
    jal   idle
    nop
    li    $t0, 0x200000FF           # red triangle (40,40) (200,40) (40,200)
    sw    $t0, 0x1810($s0)
    li    $t0, 0x00280028
    sw    $t0, 0x1810($s0)
    li    $t0, 0x002800C8
    sw    $t0, 0x1810($s0)
    li    $t0, 0x00C80028
    sw    $t0, 0x1810($s0)
    jal   idle
    nop
    li    $t0, 0x0200FF00           # green square at (frame & 0xF0, 208)
    sw    $t0, 0x1810($s0)
    andi  $t1, $s1, 0xF0
    lui   $t0, 0x00D0
    or    $t0, $t0, $t1
    sw    $t0, 0x1810($s0)
    li    $t0, 0x00200020
    sw    $t0, 0x1810($s0)
    b     frame
    nop

# Returns once the GPU is idle: no command under way, its queue empty.
idle:
    lw    $t0, 0x1814($s0)
    lui   $t2, 0x0400
    and   $t0, $t0, $t2
    beq   $t0, $zero, idle
    nop
    jr    $ra
    nop
    .balign 0x800
end:
