#!/usr/bin/env python3
"""Writes the seed corpus of the DecryptHexText fuzz target into fuzz/cipher/corpus/.

Each seed is: one byte of scripted answers (bit set: Yes), one byte of key length, the key, the
text; see DecryptHexTextFuzz.h. Run again after changing the seeds and commit the result.
"""
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")

ALL_YES = 0xFF
ALL_NO = 0x00

SEEDS = {
    # The agent's own calls: 96 and 16 digits under its 8-digit key.
    "agent_address": (ALL_YES, "3E71B0C4", "C9AE610658667DF54683E6C292F7324A7E4F4B2E6DA3F81A"
                      "D52FC1A4B81C54108C6952D7260259C98C6952D7260259C9"),
    "agent_password": (ALL_YES, "3E71B0C4", "75F4E17AEEEDB839"),
    "standard_vector": (ALL_YES, "0123456789ABCDEF", "3FA40E8A984D4815"),
    "lower_case": (ALL_YES, "0e329232ea6d0d73", "0000000000000000"),
    "empty_key": (ALL_YES, "", "0123456789ABCDEF0123"),
    "empty_text": (ALL_YES, "3E71B0C4", ""),
    "short_last_block": (ALL_YES, "3E71B0C4", "0123456789ABCDEF12"),
    "invalid_digit_no": (ALL_NO, "3E71B0C4", "01G3456789ABCDEF"),
    "invalid_key_digit": (0x55, "3E7xB0C4", "0123456789ABCDEF" * 6),
    "over_long_key_yes": (ALL_YES, "0123456789ABCDEF77", "85E813540F0AB405"),
    "over_long_key_no": (ALL_NO, "0123456789ABCDEF77", "85E813540F0AB405"),
    "non_ascii": (0xAA, "3E71\u00e9B0", "\u20ac\u00ff0123 \u4e2d456789ABCDEF"),
    "spaces_and_controls": (ALL_YES, " 3E71B0C4 ", "01 23\t45\r\n6789ABCDEF\x00"),
}


def main():
    shutil.rmtree(CORPUS, ignore_errors=True)
    os.makedirs(CORPUS)
    for name, (answers, key, text) in SEEDS.items():
        key_bytes = key.encode("utf-8")
        data = bytes([answers, len(key_bytes)]) + key_bytes + text.encode("utf-8")
        with open(os.path.join(CORPUS, name), "wb") as seed:
            seed.write(data)
    # Invalid UTF-8 and a key length past the end of the input.
    with open(os.path.join(CORPUS, "broken_utf8"), "wb") as seed:
        seed.write(bytes([0x0F, 30, 0xC3, 0x28, 0xFF, 0xFE, 0x80]) + b"ABCDEF")


if __name__ == "__main__":
    main()
