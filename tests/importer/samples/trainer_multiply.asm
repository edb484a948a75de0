; Expected on a real 8085: memory 2052 = 1E (05 times 06 = 30), A = 1E,
; B = 05, C = 00, then HLT.
;
; A trainer-kit listing: every number is hex and has no suffix (import it
; with radix 16). Multiplication by repeated addition.

        ORG 2000
        LDA 2050        ; the multiplicand
        MOV B,A
        LDA 2051        ; the multiplier
        MOV C,A
        XRA A
LOOP:   ADD B
        DCR C
        JNZ LOOP
        STA 2052        ; the product
        HLT

        ORG 2050
        DB 05,06
