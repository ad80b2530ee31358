// The column passes of the packed integer transforms, written once for any
// register width: Lanes supplies the vector type and its saturating word
// operations (64-bit for MMX and SSE, 128-bit for SSE2). Each file that
// includes it is built for its own instruction set.
#pragma once
#include <stdint.h>

template <class Lanes>
struct IntegerColumns {
    typedef typename Lanes::Vector V;

    static V Add(V a, V b)
    {
        return Lanes::AddSaturating(a, b);
    }
    static V Sub(V a, V b)
    {
        return Lanes::SubtractSaturating(a, b);
    }
    // floor(x * k / 65536).
    static V Scaled(V x, int16_t k)
    {
        return Lanes::HighProduct(x, Lanes::Words(k));
    }
    static V Tan1(V x)
    {
        return Scaled(x, 13036);
    }
    static V Tan2(V x)
    {
        return Scaled(x, 27146);
    }
    static V Tan3(V x)
    {
        return Add(Scaled(x, -21746), x);
    }
    static V OddBit(V x)
    {
        return Lanes::Or(x, Lanes::Words(1));
    }

    // Rows 0..7 of the row pass's result to rows 0..7 of samples x 32, the
    // rounding of the final shift by 5 included.
    static void Inverse(const V x[8], V y[8])
    {
        V tp17 = Add(x[1], Tan1(x[7])), tm17 = Sub(Tan1(x[1]), x[7]);
        V tp35 = Add(x[3], Tan3(x[5])), tm35 = Sub(x[5], Tan3(x[3]));
        V tp26 = Add(x[2], Tan2(x[6])), tm26 = Sub(Tan2(x[2]), x[6]);
        Finish(Add(x[0], x[4]), Sub(x[0], x[4]), tp17, tm17, tp35, tm35, tp26, tm26, y);
    }

    // The rest of the inverse column pass from the sum and difference of
    // rows 0 and 4 and the rotated pairs of the others.
    static void Finish(V s04, V d04, V tp17, V tm17, V tp35, V tm35, V tp26, V tm26, V y[8])
    {
        V one = Lanes::Words(1);
        V b0 = Add(Add(tp17, tp35), one), w = Sub(tp17, tp35);
        V d = Add(Sub(tm17, tm35), one), b3 = Add(tm17, tm35);
        V wd = Add(w, d), wmd = Sub(w, d);
        V b1 = OddBit(Add(Scaled(wd, -19195), wd)), b2 = OddBit(Add(Scaled(wmd, -19195), wmd));
        V r16 = Lanes::Words(16), r15 = Lanes::Words(15);
        V a0 = Add(Add(s04, tp26), r16), a3 = Add(Sub(s04, tp26), r15);
        V a1 = Add(Add(d04, tm26), r16), a2 = Add(Sub(d04, tm26), r15);
        y[0] = Add(a0, b0);
        y[1] = Add(a1, b1);
        y[2] = Add(a2, b2);
        y[3] = Add(a3, b3);
        y[4] = Sub(a3, b3);
        y[5] = Sub(a2, b2);
        y[6] = Sub(a1, b1);
        y[7] = Sub(a0, b0);
    }

    // Inverse when the row pass's rows 4..7 are zero: the same steps with
    // the terms of those rows left out, which adding or subtracting zero
    // would leave unchanged.
    static void InverseUpperHalf(const V x[4], V y[8])
    {
        V zero = Lanes::Words(0);
        V tp17 = x[1], tm17 = Tan1(x[1]);
        V tp35 = x[3], tm35 = Sub(zero, Tan3(x[3]));
        V tp26 = x[2], tm26 = Tan2(x[2]);
        Finish(x[0], x[0], tp17, tm17, tp35, tm35, tp26, tm26, y);
    }

    // Inverse when only rows 0 and 1 of the row pass's result hold values.
    static void InverseFirstTwo(const V x[2], V y[8])
    {
        V zero = Lanes::Words(0);
        Finish(x[0], x[0], x[1], Tan1(x[1]), zero, zero, zero, zero, y);
    }

    // Rows 0..7 of samples to the column pass's coefficients (3 fraction bits).
    static void Forward(const V x[8], V y[8])
    {
        V t0 = Lanes::ShiftLeft(Add(x[0], x[7]), 3), t1 = Lanes::ShiftLeft(Add(x[1], x[6]), 3);
        V t2 = Lanes::ShiftLeft(Add(x[2], x[5]), 3), t3 = Lanes::ShiftLeft(Add(x[3], x[4]), 3);
        V d07 = Sub(x[0], x[7]), d16 = Sub(x[1], x[6]), d25 = Sub(x[2], x[5]), d34 = Sub(x[3], x[4]);
        V tp03 = Add(t0, t3), tm03 = Sub(t0, t3), tp12 = Add(t1, t2), tm12 = Sub(t1, t2);
        y[0] = Add(tp03, tp12);
        y[4] = Sub(tp03, tp12);
        y[2] = OddBit(Add(tm03, Tan2(tm12)));
        y[6] = OddBit(Sub(Tan2(tm03), tm12));
        V d16s = Lanes::ShiftLeft(d16, 4), d25s = Lanes::ShiftLeft(d25, 4);
        V u = OddBit(Scaled(Add(d16s, d25s), 23170)), v = Scaled(Sub(d16s, d25s), 23170);
        V d34s = Lanes::ShiftLeft(d34, 3), d07s = Lanes::ShiftLeft(d07, 3);
        V p = Add(d34s, v), m = Sub(d34s, v), q = Add(d07s, u), n = Sub(d07s, u);
        y[1] = OddBit(Add(q, Tan1(p)));
        y[7] = Sub(Tan1(q), p);
        y[3] = Sub(n, Tan3(m));
        y[5] = Add(Tan3(n), m);
    }
};
