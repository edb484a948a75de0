; Expected on a real 8085: HL = 21DFH (1234H + 0FABH), DE = 0FABH,
; memory 201EH = 0DFH and 201FH = 21H, SP = 20F0H again, then HLT.
;
; A subroutine, the stack, DW data, SET and HIGH/LOW: adds two 16-bit
; numbers the way a lab sheet does it.

        ORG     2000H
STACK   EQU     20F0H
K       SET     0F00H

        LXI     SP,STACK
        LXI     H,NUM1
        CALL    LOAD16          ; DE = first number
        PUSH    D
        LXI     H,NUM2
        CALL    LOAD16          ; DE = second number
        POP     H               ; HL = first number
        DAD     D
        SHLD    SUM
        HLT

; DE = the word at HL (low byte first), HL moved to its high byte.
LOAD16: MOV     E,M
        INX     H
        MOV     D,M
        RET

NUM1:   DW      1234H
NUM2:   DW      K + LOW 0ABH    ; 0FABH
SUM:    DS      2
