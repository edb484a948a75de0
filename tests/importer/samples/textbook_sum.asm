; Expected on a real 8085: A = 96H (10+20+30+40+50 = 150), memory 2060H = 96H,
; HL = 2055H (one past the last byte), B = 00H, then HLT.
;
; Sum of a block of bytes, as a textbook writes it: ORG 2000H, EQU, labels
; with colons, data in a block of its own.

        ORG     2000H
COUNT   EQU     5

START:  LXI     H,DATA          ; HL points at the first byte
        MVI     B,COUNT         ; five bytes to add
        XRA     A               ; A = 0, carry clear
NEXT:   ADD     M               ; add the byte HL points at
        INX     H
        DCR     B
        JNZ     NEXT
        STA     RESULT
        HLT

        ORG     2050H
DATA:   DB      10, 20, 30, 40, 50

        ORG     2060H
RESULT: DS      1

        END     START
