; Expected on a real 8085 under CP/M: the console shows "Hello, 8085!"
; followed by CR LF, then RET goes back to CP/M through address 0000H.
;
; CP/M style: ORG 100H, a BDOS call (function 9, print a $-terminated string)
; and a string in quotes with its end marker.

BDOS    EQU     0005H           ; the BDOS entry point
PRINT   EQU     9               ; print the string at DE up to '$'

        ORG     100H
        MVI     C,PRINT
        LXI     D,MESSAGE
        CALL    BDOS
        RET                     ; back to the CCP

MESSAGE:
        DB      'Hello, 8085!',0DH,0AH,'$'
        END
