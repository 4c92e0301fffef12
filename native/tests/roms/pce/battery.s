; HuCard test: per frame it records marker, buttons and a frame counter in
; backup RAM (bank $F7) and paints the backdrop by button I (libretro A).

VDC_STATUS = $0000        ; read through MPR0 = $FF (I/O page)
VCE_CTRL   = $0400
VCE_ADDRLO = $0402
VCE_ADDRHI = $0403
VCE_DATALO = $0404
VCE_DATAHI = $0405
JOYPORT    = $1000
IRQ_MASK   = $1402
IRQ_STATUS = $1403
TIMER_CTRL = $0C01
CD_BRAM_UNLOCK = $1807

BRAM       = $4000        ; bank $F7 mapped through MPR2
RECORD     = BRAM + $0400 ; past the HUBM header and the first directory entries
MARKER     = $54
COLOUR_UP   = $007        ; GRB333 pure blue while I is released
COLOUR_DOWN = $038        ; pure red while I is held

.segment "ZEROPAGE"       ; physical $1F:0000, i.e. RAM bank $F8
frames: .res 1            ; bumped by the VDC vblank IRQ
pad:    .res 1
count:  .res 2

.macro vdc reg, value
  st0 #reg
  st1 #<(value)
  st2 #>(value)
.endmacro

.segment "CODE"
reset:
  sei
  csh                     ; 7.16 MHz
  cld
  lda #$FF
  tam #$01                ; $0000: I/O
  lda #$F8
  tam #$02                ; $2000: work RAM (zero page and stack)
  lda #$F7
  tam #$04                ; $4000: backup RAM
  ldx #$FF
  txs
  lda #$07
  sta IRQ_MASK            ; everything masked until the VDC is set up
  stz TIMER_CTRL
  stz IRQ_STATUS
  stz frames
  lda #$80
  sta CD_BRAM_UNLOCK      ; needed on CD units; HuCard cores map BRAM anyway

  vdc $05, $0000          ; display and IRQs off
  vdc $07, $0000          ; scroll
  vdc $08, $0000
  vdc $09, $0000          ; 32x32 map
  vdc $0A, $0202          ; 256 pixels wide timing
  vdc $0B, $031F
  vdc $0C, $0F02          ; 240 lines timing
  vdc $0D, $00EF
  vdc $0E, $0003
  stz VCE_CTRL            ; 5.37 MHz dot clock
  lda #<COLOUR_UP
  ldx #>COLOUR_UP
  jsr set_backdrop

  ; carry progress over when the record is already there
  lda RECORD
  cmp #MARKER
  bne fresh
  lda RECORD+2
  sta count
  lda RECORD+3
  sta count+1
  bra started
fresh:
  stz count
  stz count+1
  stz RECORD+1
  stz RECORD+2
  stz RECORD+3
  lda #MARKER
  sta RECORD
started:
  vdc $05, $0008          ; vblank IRQ only: no layers, backdrop everywhere
  lda #$05
  sta IRQ_MASK            ; allow IRQ1 (VDC)
  cli

frame:
  lda frames
: cmp frames
  beq :-

  jsr read_pad
  lda #<COLOUR_UP
  ldx #>COLOUR_UP
  bbr0 pad, :+
  lda #<COLOUR_DOWN
  ldx #>COLOUR_DOWN
: jsr set_backdrop

  inc count
  bne :+
  inc count+1
: lda #MARKER
  sta RECORD
  lda pad
  sta RECORD+1
  lda count
  sta RECORD+2
  lda count+1
  sta RECORD+3
  bra frame

; A = low byte, X = high byte. Sets colour 0 of the BG and sprite palettes,
; so the backdrop is the same whichever one the VCE shows.
set_backdrop:
  stz VCE_ADDRLO
  stz VCE_ADDRHI
  sta VCE_DATALO
  stx VCE_DATAHI
  stz VCE_ADDRLO
  ldy #$01
  sty VCE_ADDRHI
  sta VCE_DATALO
  stx VCE_DATAHI
  rts

; pad = Left Down Right Up Run Select II I (bit 7..0), 1 = held.
; A 6-button pad flips pages between reads (on a SEL rise, or after a SEL-low
; read in pce_fast); its extra page reads all directions low, so skip it.
read_pad:
  ldy #2
@again:
  lda #$01
  sta JOYPORT             ; SEL high: directions
  lda #$03
  sta JOYPORT             ; CLR pulse rewinds a multitap to port 1
  lda #$01
  sta JOYPORT
  pha                     ; settle time
  pla
  nop
  lda JOYPORT
  and #$0F
  bne @directions
  stz JOYPORT
  lda JOYPORT             ; finish the page so the next one is flipped
  dey
  bne @again
@directions:
  asl a
  asl a
  asl a
  asl a
  sta pad
  stz JOYPORT             ; SEL low: I, II, Select, Run
  pha
  pla
  nop
  lda JOYPORT
  and #$0F
  ora pad
  eor #$FF                ; the port is active low
  sta pad
  rts

irq1:
  pha
  lda a:VDC_STATUS        ; acknowledges the VDC
  inc frames
  pla
  rti

irq_other:
  stz IRQ_STATUS
  rti

.segment "VECTORS"
  .addr irq_other         ; IRQ2 / BRK
  .addr irq1              ; VDC
  .addr irq_other         ; timer
  .addr irq_other         ; NMI
  .addr reset
