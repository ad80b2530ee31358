; The body of our demo shooter, shared by both game slots. The including file
; sets VIDEO_VALUE (video register: bit 0 picks the colour bank), SCROLL_STEP
; (added to the scroll register every frame), TITLE_SHIFT (code offset of the
; title's letters) and supplies title_text and fill_background.
;
; The machine never interrupts: the program paces itself by polling the
; vertical-blank bit of the DIP port, once per frame.

FG_RAM          equ 4000h
BG_RAM          equ 4800h
HISCORE         equ 4380h       ; 4 scores of 3 BCD bytes, best first
VIDEO_REG       equ 5000h
SCROLL_REG      equ 5800h
LATCH_A         equ 6000h
LATCH_B         equ 6800h
INPUT           equ 7000h       ; active low
DIP             equ 7800h

KEY_COIN        equ 01h
KEY_START1      equ 02h
KEY_START2      equ 04h
KEY_FIRE        equ 10h
KEY_RIGHT       equ 20h
KEY_LEFT        equ 40h
KEY_BARRIER     equ 80h

; Tile codes of our character ROMs (make_char_rom.py).
WHITE_DIGITS    equ 30h
YELLOW_DIGITS   equ 0B0h
YELLOW_SHIFT    equ 20h         ; white letter + this = yellow letter
SHIP_CODE       equ 80h
ENEMY_CODE      equ 81h
SHOT_CODE       equ 82h
BARRIER_CODE    equ 83h
LIFE_CODE       equ 84h
STAR_CODE       equ 01h
ROCK_CODE       equ 40h
GROUND_DOT      equ 48h

; Sound latch values.
SOUND_START     equ 8Fh         ; latch A
SOUND_SHOT      equ 4Fh         ; latch A, heard while fire is held
SOUND_BARRIER   equ 0Ch         ; latch A
SOUND_EXPLODE   equ 50h         ; latch A
SOUND_COIN      equ 0Ch         ; latch B
SOUND_SHIP_LOST equ 02h         ; latch B

; Screen places: column 0-25 left to right, row 0-31 top to bottom.
SHIP_ROW        equ 29
ENEMY_TOP       equ 3
LIVES_ROW       equ 31
TABLE_ROW       equ 9
TABLE_COL       equ 7
SHOT_TOP_PLAY   equ 3
SHOT_TOP_TITLE  equ 25          ; title-screen shots stay below the text
MOVE_FRAMES     equ 4           ; frames per column while a move key is held
BARRIER_FRAMES  equ 120
GAME_OVER_FRAMES equ 180
FIRST_SPEED     equ 8           ; frames per row of the falling enemy
POINTS          equ 50h         ; BCD, per enemy

MODE_TITLE      equ 0
MODE_PLAY       equ 1
MODE_GAME_OVER  equ 2

; Variables, between the video RAM areas; the stack grows down below 4800h.
VARS            equ 4400h
scroll          equ VARS+0
keys            equ VARS+1      ; held keys, 1 = held
pressed         equ VARS+2      ; keys pressed since the last frame
dip             equ VARS+3
mode            equ VARS+4
credits         equ VARS+5
lives           equ VARS+6
ship_x          equ VARS+7
shot_x          equ VARS+8      ; each column is followed by its row
shot_y          equ VARS+9      ; 0: no shot
enemy_x         equ VARS+10
enemy_y         equ VARS+11     ; 0: no enemy
enemy_timer     equ VARS+12
enemy_speed     equ VARS+13
barrier         equ VARS+14     ; frames of barrier left
barrier_ready   equ VARS+15
bonus_given     equ VARS+16
timer           equ VARS+17
move_delay      equ VARS+18
shot_top        equ VARS+19
seed            equ VARS+20     ; 2 bytes
score           equ VARS+22     ; 3 BCD bytes, most significant first
STACK_TOP       equ 4800h

        org 0
start:
        di
        ld sp, STACK_TOP
        ld hl, VARS
        ld de, VARS+1
        ld bc, 0FFh
        ld (hl), 0
        ldir
        ld a, VIDEO_VALUE
        ld (VIDEO_REG), a
        xor a
        ld (SCROLL_REG), a
        ld (LATCH_A), a
        ld (LATCH_B), a
        ; Clear the score table three times over: a machine that keeps the
        ; scores between runs puts its saved table in place of these writes.
        ld c, 3
clear_table_pass:
        ld hl, HISCORE
        ld b, 12
clear_table_byte:
        ld (hl), 0
        inc hl
        djnz clear_table_byte
        dec c
        jr nz, clear_table_pass
        call check_table
        ld a, (DIP)
        and 0Fh
        ld (dip), a
        ld hl, 0ACE1h
        ld (seed), hl
        call clear_fg
        call fill_background
        ld a, 12
        ld (ship_x), a
        call show_title

main_loop:
        call wait_frame
        ld a, (scroll)
        add a, SCROLL_STEP
        ld (scroll), a
        ld (SCROLL_REG), a
        call read_keys
        call random
        ld a, (mode)
        cp MODE_PLAY
        jr z, main_play
        cp MODE_GAME_OVER
        jr z, main_game_over
        call title_step
        jr main_loop
main_play:
        call play_step
        jr main_loop
main_game_over:
        call game_over_step
        jr main_loop

; Waits for the vertical blank; the DIP settings come with it.
wait_frame:
        ld a, (DIP)
        bit 7, a
        jr z, wait_frame
        and 0Fh
        ld (dip), a
        ret

read_keys:
        ld a, (INPUT)
        cpl
        ld b, a
        ld a, (keys)
        cpl
        and b
        ld (pressed), a
        ld a, b
        ld (keys), a
        ret

; A restored table that is not BCD throughout came from elsewhere: start empty.
check_table:
        ld hl, HISCORE
        ld b, 12
check_table_byte:
        ld a, (hl)
        and 0Fh
        cp 10
        jr nc, check_table_clear
        ld a, (hl)
        and 0F0h
        cp 0A0h
        jr nc, check_table_clear
        inc hl
        djnz check_table_byte
        ret
check_table_clear:
        ld hl, HISCORE
        ld b, 12
check_table_zero:
        ld (hl), 0
        inc hl
        djnz check_table_zero
        ret

; ---------------------------------------------------------------- title
show_title:
        xor a
        ld (mode), a
        ld (shot_y), a
        ld (enemy_y), a
        ld (barrier), a
        ld a, SHOT_TOP_TITLE
        ld (shot_top), a
        call clear_fg
        call draw_header
        ld de, title_text
        ld bc, TITLE_SHIFT * 256
        call print_text
        ld de, text_high_scores
        ld bc, 0
        call print_text
        call draw_table
        call draw_settings
        call show_credits
        jp draw_sprites

title_step:
        ld a, (pressed)
        and KEY_COIN
        jr z, title_no_coin
        ld a, (credits)
        cp 9
        jr nc, title_no_coin
        inc a
        ld (credits), a
        ld a, SOUND_COIN
        call sound_b
        call show_credits
title_no_coin:
        ld a, (pressed)
        and KEY_START1 + KEY_START2
        jr z, title_move
        ld a, (credits)
        or a
        jr z, title_move
        dec a
        ld (credits), a
        jp start_game
title_move:
        ld a, 1
        ld (barrier_ready), a
        call erase_sprites
        call update_ship
        call update_barrier
        call update_shot
        jp draw_sprites

show_credits:
        ld a, (credits)
        or a
        jr nz, show_credits_some
        ld de, text_insert_coin
        ld bc, 0
        call print_text
        ld de, text_no_push
        jp print_text
show_credits_some:
        ld de, text_credit
        ld bc, 0
        call print_text
        ld bc, 14 * 256 + 21
        call fg_addr
        ld a, (credits)
        add a, YELLOW_DIGITS
        ld (hl), a
        ld de, text_push
        ld bc, 0
        jp print_text

; The DIP switches as the player sees them: bonus score and lives.
draw_settings:
        ld de, text_bonus
        ld bc, 0
        call print_text
        ld de, text_lives
        ld bc, 0
        call print_text
        ld bc, 7 * 256 + 18
        call fg_addr
        ld a, (dip)
        rrca
        rrca
        and 3
        add a, YELLOW_DIGITS + 3
        ld (hl), a
        ld bc, 21 * 256 + 18
        call fg_addr
        ld a, (dip)
        and 3
        add a, YELLOW_DIGITS + 3
        ld (hl), a
        ret

draw_table:
        ld de, HISCORE
        ld c, TABLE_ROW
draw_table_entry:
        push bc
        ld b, TABLE_COL
        call fg_addr
        ld a, c
        sub TABLE_ROW
        rrca
        add a, YELLOW_DIGITS + 1
        ld (hl), a
        ld bc, -96
        add hl, bc
        ld c, WHITE_DIGITS
        call print_bcd
        pop bc
        inc c
        inc c
        ld a, c
        cp TABLE_ROW + 8
        jr c, draw_table_entry
        ret

; ---------------------------------------------------------------- play
start_game:
        ld a, MODE_PLAY
        ld (mode), a
        ld a, (dip)
        and 3
        add a, 3
        ld (lives), a
        xor a
        ld (score), a
        ld (score+1), a
        ld (score+2), a
        ld (bonus_given), a
        ld (barrier), a
        ld (shot_y), a
        ld a, 1
        ld (barrier_ready), a
        ld a, SHOT_TOP_PLAY
        ld (shot_top), a
        ld a, FIRST_SPEED
        ld (enemy_speed), a
        call clear_fg
        call draw_header
        call draw_lives
        call new_enemy
        call draw_sprites
        ld a, SOUND_START
        jp sound_a

play_step:
        call erase_sprites
        call update_ship
        call update_barrier
        call update_shot
        call check_hit
        call update_enemy
        ld a, (mode)
        cp MODE_PLAY
        call z, check_hit
        jp draw_sprites

game_over_step:
        ld hl, timer
        dec (hl)
        ret nz
        jp show_title

update_ship:
        ld a, (keys)
        and KEY_LEFT + KEY_RIGHT
        jr nz, update_ship_held
        ld (move_delay), a
        ret
update_ship_held:
        ld hl, move_delay
        ld a, (hl)
        or a
        jr z, update_ship_move
        dec (hl)
        ret
update_ship_move:
        ld (hl), MOVE_FRAMES - 1
        ld a, (keys)
        ld b, a
        ld a, (ship_x)
        bit 6, b
        jr z, update_ship_right
        or a
        jr z, update_ship_right
        dec a
update_ship_right:
        bit 5, b
        jr z, update_ship_store
        cp 25
        jr nc, update_ship_store
        inc a
update_ship_store:
        ld (ship_x), a
        ret

update_barrier:
        ld a, (barrier)
        or a
        jr z, update_barrier_off
        dec a
        ld (barrier), a
        ret
update_barrier_off:
        ld a, (pressed)
        and KEY_BARRIER
        ret z
        ld a, (barrier_ready)
        or a
        ret z
        xor a
        ld (barrier_ready), a
        ld a, BARRIER_FRAMES
        ld (barrier), a
        ld a, SOUND_BARRIER
        jp sound_a

update_shot:
        ld a, (shot_y)
        or a
        jr z, update_shot_fire
        dec a
        ld hl, shot_top
        cp (hl)
        jr nc, update_shot_keep
        xor a
update_shot_keep:
        ld (shot_y), a
update_shot_fire:
        ld a, (pressed)
        and KEY_FIRE
        ret z
        ld a, (shot_y)
        or a
        ret nz
        ld a, (ship_x)
        ld (shot_x), a
        ld a, SHIP_ROW - 1
        ld (shot_y), a
        ld a, SOUND_SHOT
        jp sound_a

; A shot level with or above the enemy in its column has hit it.
check_hit:
        ld a, (shot_y)
        or a
        ret z
        ld b, a
        ld a, (enemy_y)
        or a
        ret z
        cp b
        ret c
        ld a, (shot_x)
        ld b, a
        ld a, (enemy_x)
        cp b
        ret nz
        xor a
        ld (shot_y), a
        call add_score
        call draw_score
        call draw_hi
        call check_bonus
        ld a, (enemy_speed)
        cp 3
        jr c, check_hit_fastest
        dec a
        ld (enemy_speed), a
check_hit_fastest:
        ld a, SOUND_EXPLODE
        call sound_a
        jp new_enemy

update_enemy:
        ld hl, enemy_timer
        dec (hl)
        ret nz
        ld a, (enemy_speed)
        ld (hl), a
        ld hl, enemy_y
        inc (hl)
        ld a, (hl)
        cp SHIP_ROW
        ret c
        ld a, (barrier)
        or a
        jr z, lose_life
        ld a, SOUND_EXPLODE
        call sound_a
        jp new_enemy

lose_life:
        call new_enemy
        ld a, 1
        ld (barrier_ready), a
        ld hl, lives
        dec (hl)
        call draw_lives
        ld a, SOUND_SHIP_LOST
        call sound_b
        ld a, (lives)
        or a
        ret nz
        ld a, MODE_GAME_OVER
        ld (mode), a
        ld a, GAME_OVER_FRAMES
        ld (timer), a
        xor a
        ld (enemy_y), a
        ld (shot_y), a
        call insert_score
        call draw_hi
        ld de, text_game_over
        ld bc, 0
        jp print_text

new_enemy:
        call random
new_enemy_column:
        cp 26
        jr c, new_enemy_place
        sub 26
        jr new_enemy_column
new_enemy_place:
        ld (enemy_x), a
        ld a, ENEMY_TOP
        ld (enemy_y), a
        ld a, (enemy_speed)
        ld (enemy_timer), a
        ret

; One extra life once the score reaches the bonus of the DIP switches.
check_bonus:
        ld a, (bonus_given)
        or a
        ret nz
        ld a, (score)
        or a
        jr nz, check_bonus_award
        ld a, (dip)
        rrca
        rrca
        and 3
        add a, 3
        ld b, a
        ld a, (score+1)
        rrca
        rrca
        rrca
        rrca
        and 0Fh
        cp b
        ret c
check_bonus_award:
        ld a, 1
        ld (bonus_given), a
        ld hl, lives
        inc (hl)
        call draw_lives
        ld a, SOUND_START
        jp sound_a

add_score:
        ld hl, score+2
        ld a, (hl)
        add a, POINTS
        daa
        ld (hl), a
        dec hl
        ld a, (hl)
        adc a, 0
        daa
        ld (hl), a
        dec hl
        ld a, (hl)
        adc a, 0
        daa
        ld (hl), a
        ret

; Carry set when the 3-byte BCD number at HL is below the one at DE.
compare_bcd:
        ld b, 3
compare_bcd_byte:
        ld a, (de)
        cp (hl)
        jr nz, compare_bcd_differ
        inc de
        inc hl
        djnz compare_bcd_byte
        or a
        ret
compare_bcd_differ:
        ccf
        ret

; Puts the score into the table in order, dropping the lowest entry.
insert_score:
        ld hl, HISCORE
        ld c, 4
insert_score_find:
        push hl
        push bc
        ld de, score
        call compare_bcd
        pop bc
        pop hl
        jr c, insert_score_found
        inc hl
        inc hl
        inc hl
        dec c
        jr nz, insert_score_find
        ret
insert_score_found:
        push hl
        ld a, low(HISCORE + 9)
        sub l
        jr z, insert_score_copy
        ld c, a
        ld b, 0
        ld hl, HISCORE + 8
        ld de, HISCORE + 11
        lddr
insert_score_copy:
        pop de
        ld hl, score
        ld bc, 3
        ldir
        ret

; ---------------------------------------------------------------- drawing
erase_sprites:
        ld ix, no_sprites
        jr put_sprites
draw_sprites:
        ld ix, sprite_codes
; IX = the codes to put at the places of the ship, its barrier, the shot and
; the enemy.
put_sprites:
        ld a, (ship_x)
        ld b, a
        ld c, SHIP_ROW
        call fg_addr
        ld a, (ix+0)
        ld (hl), a
        ld a, (barrier)
        or a
        jr z, put_sprites_moving
        dec hl
        ld a, (ix+1)
        ld (hl), a
put_sprites_moving:
        ld de, shot_x
        ld a, (ix+2)
        call put_moving
        ld de, enemy_x
        ld a, (ix+3)
; DE = a sprite's column, its row in the next byte (0: not on the screen).
put_moving:
        push af
        ld a, (de)
        ld b, a
        inc de
        ld a, (de)
        ld c, a
        pop af
        inc c
        dec c
        ret z
        push af
        call fg_addr
        pop af
        ld (hl), a
        ret

draw_header:
        ld de, text_score
        ld bc, 0
        call print_text
        ld de, text_hi
        ld bc, 0
        call print_text
        call draw_score
        jp draw_hi

draw_score:
        ld bc, 1 * 256 + 1
        call fg_addr
        ld de, score
        ld c, WHITE_DIGITS
        jp print_bcd

; The best of the table and the running score.
draw_hi:
        ld bc, 15 * 256 + 1
        call fg_addr
        push hl
        ld hl, HISCORE
        ld de, score
        call compare_bcd
        pop hl
        ld de, HISCORE
        jr nc, draw_hi_digits
        ld de, score
draw_hi_digits:
        ld c, YELLOW_DIGITS
        jp print_bcd

draw_lives:
        ld bc, 1 * 256 + LIVES_ROW
        call fg_addr
        ld a, (lives)
        ld c, a
        ld b, 10
draw_lives_cell:
        ld a, c
        or a
        ld a, 0
        jr z, draw_lives_put
        dec c
        ld a, LIFE_CODE
draw_lives_put:
        ld (hl), a
        call next_column
        djnz draw_lives_cell
        ret

; B = column, C = row; returns HL = the foreground byte of that screen cell.
; Memory row r is screen column 25 - r, its byte n the screen row n.
fg_addr:
        ld a, 25
        sub b
        ld l, a
        ld h, 0
        add hl, hl
        add hl, hl
        add hl, hl
        add hl, hl
        add hl, hl
        ld a, l
        or c
        ld l, a
        ld a, h
        or high(FG_RAM)
        ld h, a
        ret

; HL = the cell one screen column to the right.
next_column:
        push de
        ld de, -32
        add hl, de
        pop de
        ret

; DE = column, row, text ending in 0. B is added to letters, C to digits;
; a blank leaves the cell see-through.
print_text:
        push bc
        ld a, (de)
        ld b, a
        inc de
        ld a, (de)
        ld c, a
        inc de
        call fg_addr
        pop bc
print_text_char:
        ld a, (de)
        inc de
        or a
        ret z
        cp ' '
        jr z, print_text_blank
        cp 'A'
        jr c, print_text_digit
        add a, b
        jr print_text_store
print_text_digit:
        add a, c
        jr print_text_store
print_text_blank:
        xor a
print_text_store:
        ld (hl), a
        call next_column
        jr print_text_char

; HL = first cell, DE = 3 BCD bytes, C = code of digit 0. Six digits.
print_bcd:
        ld b, 3
print_bcd_byte:
        ld a, (de)
        inc de
        push af
        rrca
        rrca
        rrca
        rrca
        and 0Fh
        add a, c
        ld (hl), a
        call next_column
        pop af
        and 0Fh
        add a, c
        ld (hl), a
        call next_column
        djnz print_bcd_byte
        ret

clear_fg:
        ld hl, FG_RAM
        ld de, FG_RAM + 1
        ld bc, 26 * 32 - 1
        ld (hl), 0
        ldir
        ret

; A sound starts when its latch changes: pass through 0 so that the same
; sound can start again.
sound_a:
        push af
        xor a
        ld (LATCH_A), a
        pop af
        ld (LATCH_A), a
        ret

sound_b:
        push af
        xor a
        ld (LATCH_B), a
        pop af
        ld (LATCH_B), a
        ret

; A 16-bit Galois shift register, eight steps a call; returns A.
random:
        push bc
        ld hl, (seed)
        ld b, 8
random_step:
        srl h
        rr l
        jr nc, random_next
        ld a, h
        xor 0B4h
        ld h, a
random_next:
        djnz random_step
        ld (seed), hl
        ld a, l
        pop bc
        ret

sprite_codes:     db SHIP_CODE, BARRIER_CODE, SHOT_CODE, ENEMY_CODE
no_sprites:       db 0, 0, 0, 0

text_score:       db 1, 0, "SCORE", 0
text_hi:          db 15, 0, "HI SCORE", 0
text_high_scores: db 8, 7, "HIGH SCORES", 0
text_insert_coin: db 7, 21, "INSERT COIN", 0
text_credit:      db 7, 21, "CREDIT     ", 0
text_push:        db 7, 23, "PUSH 1 OR 2", 0
text_no_push:     db 7, 23, "           ", 0
text_bonus:       db 1, 18, "BONUS  000", 0
text_lives:       db 15, 18, "LIVES", 0
text_game_over:   db 8, 14, "GAME OVER", 0
