; Finds the largest of COUNT bytes at LIST and stores it at MAX.
; Standard 8085 assembly for Full 8085 mode: import it (File > Import
; Assembly Source, or korvanta-cli run max-of-list.asm --import).
; On a real 8085 it ends with A = 9FH and MAX (201DH) = 9FH.
        ORG 2000H
COUNT   EQU 6
START:  LXI H,LIST
        MVI B,COUNT
        MOV A,M         ; the first byte is the largest so far
NEXT:   INX H
        DCR B
        JZ DONE
        CMP M           ; CY set when the byte at HL is larger
        JNC NEXT
        MOV A,M
        JMP NEXT
DONE:   STA MAX
        HLT
LIST:   DB 12H, 9FH, 3CH, 07H, 9EH, 55H
MAX:    DS 1
        END
