; Adds the four-digit BCD numbers 1234 and 5678 with DAA, low byte first,
; and stores the sum 6912 at SUM. Standard 8085 assembly for Full 8085 mode.
; On a real 8085: SUM (011DH) = 12H, SUM+1 (011EH) = 69H, CY = 0 at the end.
        ORG 0100H
        LDA NUM1        ; 34
        MOV B,A
        LDA NUM2        ; 78
        ADD B           ; 34 + 78 = AC, DAA makes it 12 with CY set
        DAA
        STA SUM
        LDA NUM1+1      ; 12
        MOV B,A
        LDA NUM2+1      ; 56
        ADC B           ; 12 + 56 + 1 = 69
        DAA
        STA SUM+1
        HLT
NUM1:   DB 34H, 12H
NUM2:   DB 78H, 56H
SUM:    DS 2
