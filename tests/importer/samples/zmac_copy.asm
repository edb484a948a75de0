; Expected on a real 8085: the four bytes "8085" (38H 30H 38H 35H) copied
; to 101AH-101DH, A = 35H, C = 00H, DE = 101EH, HL = 1234H (from the word
; at ptr), then HLT.
;
; 8080 code in the spelling of a Z80 assembler (zmac, z80asm): .org, .equ,
; DEFM, DEFW, DEFS with a fill byte, 0x and $ numbers, lower-case labels.
        .org    0x1000
len     .equ    msg_end-msg
        lxi     h,msg
        lxi     d,copy
        mvi     c,len
loop:   mov     a,m
        stax    d
        inx     h
        inx     d
        dcr     c
        jnz     loop
        lhld    ptr
        hlt
msg:    defm    "8085"
msg_end:
ptr:    defw    $1234
copy:   defs    4,0xFF
        .end
