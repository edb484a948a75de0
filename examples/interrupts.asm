; Counts RST 7.5 interrupts in B and halts after the third. While it runs,
; press RST 7.5 in the Full 8085 panel three times, or let the command line
; raise them:
;   korvanta-cli run interrupts.asm --import --interrupt 20:RST7.5
;       --interrupt 40:RST7.5 --interrupt 60:RST7.5
        ORG 0000H
        JMP START
        ORG 003CH       ; where RST 7.5 goes
RST75:  INR B
        EI              ; accepting an interrupt turned interrupts off
        RET
        ORG 0040H
START:  LXI SP,0F00H
        MVI A,08H       ; SIM: mask set enable, nothing masked
        SIM
        EI
WAIT:   MOV A,B
        CPI 3
        JNZ WAIT
        HLT
