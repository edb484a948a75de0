; Expected on a real 8085: memory 0904H = 12H and 0905H = 69H (the BCD sum
; 1234 + 5678 = 6912, low byte first), A = 69H, BC = 0905H, DE = 0903H,
; HL = 0901H, then HLT.
;
; An Intel ASM80 module: $ controls, NAME, ASEG, PUBLIC, expressions on
; symbols and DAA after each byte's addition, the carry taken on with ADC.
$MOD85
$TITLE('BCD ADDITION OF TWO FOUR-DIGIT NUMBERS')
$NOLIST
        NAME    BCDADD
        ASEG
        PUBLIC  START

DIGITS  EQU     4
BYTES   EQU     DIGITS/2

        ORG     0800H
START:  LXI     H,NUMA          ; first number, low byte
        LXI     D,NUMA+BYTES    ; second number
        LXI     B,SUM
        LDAX    D
        ADD     M               ; 78H + 34H = 0ACH
        DAA                     ; 12H, carry 1
        STAX    B
        INX     H
        INX     D
        INX     B
        LDAX    D
        ADC     M               ; 56H + 12H + 1 = 69H
        DAA                     ; no change, carry 0
        STAX    B
        HLT

        ORG     0900H
NUMA:   DB      34H,12H         ; 1234
NUMB:   DB      78H,56H         ; 5678
SUM:    DS      BYTES
        END     START
