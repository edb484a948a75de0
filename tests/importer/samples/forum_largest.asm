; expected on a real 8085: a = 0c8h (200, the largest entry), memory 301ah = 0c8h,
; c = 00h, hl = 3019h (the last entry), then hlt.
;
; find the largest number in a list -- as posted on a forum: lower case,
; labels without colons, the length worked out with $.

        org 3000h
        lxi h,list      ; first entry
        mvi c,len       ; entries to look at
        mov a,m         ; largest so far
        dcr c
again   inx h
        cmp m           ; a below the entry?
        jnc skip
        mov a,m         ; yes: new largest
skip    dcr c
        jnz again
        sta big
        hlt

list    db 23, 200, 17, 99, 150
len     equ $-list
big     ds 1
        end
