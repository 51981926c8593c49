;; Festival set-up for the program's spoken sounds: the Russian voice, and
;; stresses that its letter-to-sound rules get wrong for words we use.
;; Each entry gives the number of the stressed syllable, counted from 1.
(voice_msu_ru_nsh_clunits)
(lex.add.entry '("пробел" n (2)))
(lex.add.entry '("молодец" n (3)))
(lex.add.entry '("наведи" v (3)))
(lex.add.entry '("чтобы" aux (1)))
