; Prints a greeting through CP/M's console: BDOS function 9 prints the text
; at DE up to the '$'. Run it with the CP/M console on:
;   korvanta-cli run hello-cpm.asm --import --bdos
; or tick "CP/M console calls (BDOS)" in the Full 8085 panel.
BDOS    EQU 5
PRINT   EQU 9
        ORG 100H
        MVI C,PRINT
        LXI D,MSG
        CALL BDOS
        JMP 0           ; back to CP/M: the run ends
MSG:    DB 'Hello from the 8085!', 13, 10, '$'
