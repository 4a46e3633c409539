#!/usr/bin/env python3
"""Writes tests/corpus: small WAVE files, valid (ok_*) and malformed (bad_*), all made here.

They seed the fuzzer and are replayed by the native regression test, which checks each
file's verdict against expected.txt (file name, tab, the parser's error name).
Run again after changing this script and commit the outputs.
"""
import math
import os
import struct
import sys

PCM_GUID = bytes([0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                  0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71])
FLOAT_GUID = bytes([0x03]) + PCM_GUID[1:]


def chunk(cid, body, size=None, pad=True):
    size = len(body) if size is None else size
    data = cid + struct.pack('<I', size) + body
    if pad and len(body) % 2:
        data += b'\0'
    return data


def fmt_body(tag=1, ch=1, rate=8000, bits=16, align=None, avg=None):
    align = ch * bits // 8 if align is None else align
    avg = rate * align if avg is None else avg
    return struct.pack('<HHIIHH', tag, ch, rate, avg, align, bits)


def sample(v, bits, is_float=False):
    if is_float:
        return struct.pack('<f' if bits == 32 else '<d', v * 0.37)
    if bits == 8:
        return bytes([128 + int(v * 100)])
    return int(v * 12000 * (1 << (bits - 16))).to_bytes(bits // 8, 'little', signed=True)


def tone(frames, ch=1, bits=16, is_float=False):
    out = bytearray()
    for i in range(frames):
        v = math.sin(2 * math.pi * 440 * i / 8000)
        for _ in range(ch):
            out += sample(v, bits, is_float)
    return bytes(out)


def riff(*chunks, riff_size=None, form=b'WAVE', magic=b'RIFF'):
    body = form + b''.join(chunks)
    size = len(body) if riff_size is None else riff_size
    return magic + struct.pack('<I', size) + body


def extensible(sub=PCM_GUID, cb=22, valid=16, ch=2, bits=16, rate=8000, mask=3):
    return fmt_body(0xFFFE, ch, rate, bits) + struct.pack('<HHI', cb, valid, mask) + sub


def fact(frames):
    return chunk(b'fact', struct.pack('<I', frames))


def cases():
    pcm = tone(32)
    std_fmt = chunk(b'fmt ', fmt_body())
    yield 'ok_canonical_mono16.wav', 'none', riff(std_fmt, chunk(b'data', pcm))
    yield 'ok_stereo8.wav', 'none', riff(chunk(b'fmt ', fmt_body(ch=2, bits=8)),
                                          chunk(b'data', tone(20, 2, 8)))
    yield 'ok_empty_data.wav', 'none', riff(std_fmt, chunk(b'data', b''))
    info = chunk(b'LIST', b'INFOISFT' + struct.pack('<I', 5) + b'Test\0')
    yield 'ok_list_before_data.wav', 'none', riff(std_fmt, info, chunk(b'data', pcm))
    yield 'ok_list_after_data.wav', 'none', riff(std_fmt, chunk(b'data', pcm), info)
    yield 'ok_odd_chunk_padded.wav', 'none', riff(std_fmt, chunk(b'junk', b'abc'), chunk(b'data', pcm))
    yield 'ok_fmt18.wav', 'none', riff(chunk(b'fmt ', fmt_body() + b'\0\0'), chunk(b'data', pcm))
    yield 'ok_extensible_pcm.wav', 'none', riff(chunk(b'fmt ', extensible()),
                                                 chunk(b'data', tone(16, 2)))
    odd = tone(33, 1, 8)
    yield 'ok_odd_data_pad_missing_at_end.wav', 'none', riff(chunk(b'fmt ', fmt_body(bits=8)),
                                                              chunk(b'data', odd, pad=False))
    yield 'ok_partial_last_block.wav', 'none', riff(std_fmt, chunk(b'data', pcm + b'\x01'))
    yield 'ok_trailing_bytes_after_riff.wav', 'none', riff(std_fmt, chunk(b'data', pcm)) + b'garbage!'
    yield 'ok_data_before_fmt.wav', 'none', riff(chunk(b'data', pcm), std_fmt)

    # Depths and encodings other programs write.
    yield 'ok_pcm24.wav', 'none', riff(chunk(b'fmt ', fmt_body(ch=2, rate=48000, bits=24)),
                                       chunk(b'data', tone(20, 2, 24)))
    yield 'ok_pcm24_mono_odd_data.wav', 'none', riff(chunk(b'fmt ', fmt_body(bits=24)),
                                                     chunk(b'data', tone(11, 1, 24)))
    yield 'ok_pcm32.wav', 'none', riff(chunk(b'fmt ', fmt_body(rate=96000, bits=32)),
                                       chunk(b'data', tone(16, 1, 32)))
    yield 'ok_float_fmt16.wav', 'none', riff(chunk(b'fmt ', fmt_body(tag=3, bits=32)),
                                             chunk(b'data', tone(16, 1, 32, True)))
    yield 'ok_float32_fact.wav', 'none', riff(chunk(b'fmt ', fmt_body(tag=3, ch=2, rate=44100, bits=32) + b'\0\0'),
                                              fact(12), chunk(b'data', tone(12, 2, 32, True)))
    yield 'ok_float64_fact.wav', 'none', riff(chunk(b'fmt ', fmt_body(tag=3, rate=48000, bits=64) + b'\0\0'),
                                              fact(10), chunk(b'data', tone(10, 1, 64, True)))
    yield 'ok_float64_no_fact.wav', 'none', riff(chunk(b'fmt ', fmt_body(tag=3, ch=2, bits=64) + b'\0\0'),
                                                 chunk(b'data', tone(6, 2, 64, True)))
    yield 'ok_extensible_pcm24_51.wav', 'none', riff(
        chunk(b'fmt ', extensible(ch=6, bits=24, valid=24, rate=48000, mask=0x3F)), chunk(b'data', tone(8, 6, 24)))
    yield 'ok_extensible_20_in_24.wav', 'none', riff(chunk(b'fmt ', extensible(bits=24, valid=20)),
                                                     chunk(b'data', tone(10, 2, 24)))
    yield 'ok_extensible_24_in_32.wav', 'none', riff(chunk(b'fmt ', extensible(bits=32, valid=24, mask=0)),
                                                     chunk(b'data', tone(10, 2, 32)))
    yield 'ok_extensible_float32.wav', 'none', riff(
        chunk(b'fmt ', extensible(sub=FLOAT_GUID, ch=8, bits=32, valid=32, rate=48000, mask=0x63F)),
        fact(4), chunk(b'data', tone(4, 8, 32, True)))
    yield 'ok_extensible_float64.wav', 'none', riff(
        chunk(b'fmt ', extensible(sub=FLOAT_GUID, bits=64, valid=64)), chunk(b'data', tone(6, 2, 64, True)))
    yield 'ok_rate_1hz.wav', 'none', riff(chunk(b'fmt ', fmt_body(rate=1, bits=8)), chunk(b'data', tone(4, 1, 8)))
    yield 'ok_rate_768000.wav', 'none', riff(chunk(b'fmt ', fmt_body(ch=2, rate=768000, bits=32)),
                                             chunk(b'data', tone(8, 2, 32)))
    yield 'ok_eight_channels.wav', 'none', riff(chunk(b'fmt ', fmt_body(ch=8)), chunk(b'data', tone(4, 8)))

    good = riff(std_fmt, chunk(b'data', pcm))
    yield 'bad_empty.wav', 'truncated', b''
    yield 'bad_text.wav', 'not a RIFF file', b'This is not a sound file at all.\n' * 3
    yield 'bad_header_cut.wav', 'truncated', good[:10]
    yield 'bad_cut_in_fmt.wav', 'truncated', good[:30]
    # Damaged files that still hold sound give up what they hold.
    yield 'ok_cut_in_data.wav', 'none', good[:-10]
    yield 'ok_data_size_huge.wav', 'none', riff(std_fmt, chunk(b'data', pcm, size=0xFFFFFFF0))
    yield 'ok_streaming_sizes.wav', 'none', riff(std_fmt, chunk(b'data', pcm, size=0xFFFFFFFF),
                                                 riff_size=0xFFFFFFFF)
    yield 'ok_zero_sizes.wav', 'none', riff(std_fmt, chunk(b'data', pcm, size=0), riff_size=0)
    yield 'ok_sizes_of_the_header_alone.wav', 'none', riff(std_fmt, chunk(b'data', pcm, size=0), riff_size=36)
    yield 'bad_cut_before_a_whole_block.wav', 'data chunk longer than the file', good[:45]
    yield 'bad_streaming_no_sound.wav', 'data chunk longer than the file', riff(
        std_fmt, chunk(b'data', b'', size=0xFFFFFFFF), riff_size=0xFFFFFFFF)
    yield 'bad_rifx.wav', 'unsupported RIFF variant', riff(std_fmt, chunk(b'data', pcm), magic=b'RIFX')
    yield 'bad_rf64.wav', 'unsupported RIFF variant', riff(std_fmt, chunk(b'data', pcm), magic=b'RF64',
                                                           riff_size=0xFFFFFFFF)
    yield 'bad_avi_form.wav', 'not a WAVE file', riff(std_fmt, chunk(b'data', pcm), form=b'AVI ')
    yield 'bad_riff_size_tiny.wav', 'impossible RIFF size', riff(std_fmt, chunk(b'data', pcm), riff_size=4)
    yield 'bad_riff_size_short_of_data.wav', 'impossible RIFF size', riff(
        std_fmt, chunk(b'data', pcm), riff_size=4 + 24 + 8 + 10)
    yield 'bad_no_fmt.wav', 'no fmt chunk', riff(info, chunk(b'data', pcm))
    yield 'bad_no_data.wav', 'no data chunk', riff(std_fmt, info)
    yield 'bad_two_fmt.wav', 'two fmt chunks', riff(std_fmt, std_fmt, chunk(b'data', pcm))
    yield 'bad_fmt_14_bytes.wav', 'malformed fmt chunk', riff(chunk(b'fmt ', fmt_body()[:14]),
                                                               chunk(b'data', pcm))
    yield 'bad_adpcm.wav', 'unsupported encoding', riff(chunk(b'fmt ', fmt_body(tag=2) + b'\0\0'),
                                                        chunk(b'data', pcm))
    yield 'bad_mulaw.wav', 'unsupported encoding', riff(chunk(b'fmt ', fmt_body(tag=7, bits=8) + b'\0\0'),
                                                        fact(64), chunk(b'data', pcm))
    yield 'bad_mp3.wav', 'unsupported encoding', riff(
        chunk(b'fmt ', fmt_body(tag=0x55, bits=0, align=1, avg=16000) + struct.pack('<HHIHHH', 12, 1, 2, 417, 1, 0)),
        fact(1152), chunk(b'data', pcm))
    yield 'bad_extensible_unknown_guid.wav', 'unsupported encoding', riff(
        chunk(b'fmt ', extensible(sub=bytes(range(16)))), chunk(b'data', pcm))
    yield 'bad_float16.wav', 'unsupported bits per sample', riff(chunk(b'fmt ', fmt_body(tag=3, bits=16)),
                                                                 chunk(b'data', pcm))
    yield 'bad_float24.wav', 'unsupported bits per sample', riff(chunk(b'fmt ', fmt_body(tag=3, bits=24) + b'\0\0'),
                                                                 chunk(b'data', pcm))
    yield 'bad_extensible_float16.wav', 'unsupported bits per sample', riff(
        chunk(b'fmt ', extensible(sub=FLOAT_GUID)), chunk(b'data', pcm))
    yield 'bad_extensible_12_in_12.wav', 'unsupported bits per sample', riff(
        chunk(b'fmt ', extensible(ch=1, bits=12, valid=12, mask=4)), chunk(b'data', pcm))
    yield 'bad_64_bits.wav', 'unsupported bits per sample', riff(chunk(b'fmt ', fmt_body(bits=64)),
                                                                 chunk(b'data', pcm))
    yield 'bad_rate_768001.wav', 'sample rate too high', riff(chunk(b'fmt ', fmt_body(rate=768001)),
                                                              chunk(b'data', pcm))
    yield 'bad_zero_block_align.wav', 'inconsistent block align', riff(chunk(b'fmt ', fmt_body(align=0)),
                                                                       chunk(b'data', pcm))
    yield 'bad_zero_bits.wav', 'malformed fmt chunk', riff(chunk(b'fmt ', fmt_body(bits=0, align=2, avg=16000)),
                                                           chunk(b'data', pcm))
    yield 'ok_extensible_no_valid_bits.wav', 'none', riff(
        chunk(b'fmt ', extensible(bits=24, valid=0)), chunk(b'data', tone(8, 2, 24)))
    yield 'bad_extensible_short.wav', 'malformed fmt chunk', riff(
        chunk(b'fmt ', fmt_body(tag=0xFFFE) + b'\0\0'), chunk(b'data', pcm))
    yield 'bad_extensible_valid_bits.wav', 'malformed fmt chunk', riff(
        chunk(b'fmt ', extensible(valid=20)), chunk(b'data', pcm))
    yield 'bad_zero_channels.wav', 'zero channels', riff(chunk(b'fmt ', fmt_body(ch=0)), chunk(b'data', pcm))
    yield 'bad_nine_channels.wav', 'too many channels', riff(chunk(b'fmt ', fmt_body(ch=9)),
                                                             chunk(b'data', pcm))
    yield 'bad_zero_rate.wav', 'zero sample rate', riff(chunk(b'fmt ', fmt_body(rate=0)), chunk(b'data', pcm))
    yield 'bad_12_bits.wav', 'unsupported bits per sample', riff(chunk(b'fmt ', fmt_body(bits=12, align=2)),
                                                                 chunk(b'data', pcm))
    yield 'bad_block_align.wav', 'inconsistent block align', riff(chunk(b'fmt ', fmt_body(align=4)),
                                                                  chunk(b'data', pcm))
    yield 'ok_wrong_avg_bytes.wav', 'none', riff(chunk(b'fmt ', fmt_body(avg=1234)), chunk(b'data', pcm))
    many = b''.join(chunk(b'junk', b'') for _ in range(3000))
    yield 'bad_many_tiny_chunks.wav', 'too many chunks', riff(std_fmt, many, chunk(b'data', pcm))
    yield 'bad_riff_claims_more_no_data.wav', 'truncated', riff(std_fmt, riff_size=1000)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'tests', 'corpus')
    os.makedirs(out, exist_ok=True)
    lines = []
    for name, verdict, data in cases():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
        lines.append(f'{name}\t{verdict}\n')
    with open(os.path.join(out, 'expected.txt'), 'w') as f:
        f.writelines(sorted(lines))


if __name__ == '__main__':
    main()
