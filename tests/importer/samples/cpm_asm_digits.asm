; Expected on a real 8085 under CP/M: the console shows "Count: 0123456789"
; and CR LF, then JMP 0 goes back to CP/M (a warm boot), with A = B = 3AH,
; C = 09H, DE = 012FH (crlf) and SP = 0142H (stack, after the last call).
;
; CP/M's own ASM style: lower case, several statements on a line with '!'
; between them, BDOS function 2 (one character, in E) and function 9 (a
; string up to '$'), a stack of its own after the code.
bdos	equ	5
wboot	equ	0
conout	equ	2		;function: character in e
prtstr	equ	9		;function: string at de, ending in '$'
;
	org	100h
	lxi	sp,stack
	lxi d,title ! mvi c,prtstr ! call bdos
	mvi	b,'0'		;the first digit
next:	mov e,b ! mvi c,conout
	push b ! call bdos ! pop b
	inr	b
	mov	a,b
	cpi	'9'+1		;past the last digit?
	jnz	next
	lxi d,crlf ! mvi c,prtstr ! call bdos
	jmp	wboot
;
title:	db	'Count: $'
crlf:	db	0dh,0ah,'$'
	ds	16		;the stack
stack:
	end
