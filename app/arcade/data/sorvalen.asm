; Sorvalen slot: a rocky canyon rising past, colour bank 1.
VIDEO_VALUE     equ 01h
SCROLL_STEP     equ 01h
TITLE_SHIFT     equ 00h

        include "demo_game.asm"

title_text:     db 9, 4, "SORVALEN", 0

; Rock walls a column wide on both sides, dots on the canyon floor.
; D = memory row (screen column 25 - D), E = byte in the row (screen row).
fill_background:
        ld hl, BG_RAM
        ld d, 0
fill_background_row:
        ld e, 0
fill_background_cell:
        ld a, d
        or a
        jr z, fill_background_rock
        cp 25
        jr nc, fill_background_rock
        and 3
        cp 1
        jr nz, fill_background_empty
        ld a, e
        and 3
        jr nz, fill_background_empty
        ld a, GROUND_DOT
        jr fill_background_put
fill_background_rock:
        ld a, d
        add a, e
        and 3
        add a, ROCK_CODE
        jr fill_background_put
fill_background_empty:
        xor a
fill_background_put:
        ld (hl), a
        inc hl
        inc e
        ld a, e
        cp 32
        jr c, fill_background_cell
        inc d
        ld a, d
        cp 26
        jr c, fill_background_row
        ret

        ds 4000h - $, 0FFh
