; Expected on a real 8085: the five bytes at 2050H sorted into ascending
; order, 12H 25H 3AH 7FH 0C4H; A = 12H, B = 00H, C = 00H, D = 12H (the last
; byte swapped), HL = 2051H, then HLT.
;
; Bubble sort as textbooks print it: ORG 2000H, the data at 2050H, a count
; from EQU, two nested loops, JC and JZ to skip a swap.
        ORG     2000H
COUNT   EQU     5

START:  MVI     B,COUNT-1       ; passes to make
PASS:   LXI     H,LIST
        MOV     C,B             ; comparisons in this pass
CMPR:   MOV     A,M
        INX     H
        CMP     M               ; A against the next byte
        JC      NOSWAP          ; already in order
        JZ      NOSWAP
        MOV     D,M             ; swap the two
        MOV     M,A
        DCX     H
        MOV     M,D
        INX     H
NOSWAP: DCR     C
        JNZ     CMPR
        DCR     B
        JNZ     PASS
        HLT

        ORG     2050H
LIST:   DB      7FH, 25H, 0C4H, 12H, 3AH
        END
