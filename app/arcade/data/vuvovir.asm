; Vuvovir slot: a starfield falling past, colour bank 0.
VIDEO_VALUE     equ 00h
SCROLL_STEP     equ 0FFh
TITLE_SHIFT     equ 20h

        include "demo_game.asm"

title_text:     db 9, 4, "VUVOVIR", 0

; Stars scattered over the whole background layer.
fill_background:
        ld hl, BG_RAM
        ld bc, 26 * 32
fill_background_cell:
        push bc
        push hl
        call random
        pop hl
        ld b, a
        and 7
        ld a, 0
        jr nz, fill_background_put
        ld a, b
        rrca
        rrca
        rrca
        and 3
        add a, STAR_CODE
fill_background_put:
        ld (hl), a
        inc hl
        pop bc
        dec bc
        ld a, b
        or c
        jr nz, fill_background_cell
        ret

        ds 4000h - $, 0FFh
