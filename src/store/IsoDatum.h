#pragma once

// "yyyy-MM-dd" at the start of p, as both engines give a stored date (whatever follows it):
// the three numbers, which may still make no valid date. Reads at most the first 10 bytes.
inline bool IsoDatum(const char *p, int n, int &ev, int &ho, int &nap)
{
    const auto jegy = [p](int k) { return p[k] >= '0' && p[k] <= '9'; };
    if (n < 10 || !jegy(0) || !jegy(1) || !jegy(2) || !jegy(3) || p[4] != '-' || !jegy(5) || !jegy(6) || p[7] != '-'
        || !jegy(8) || !jegy(9))
        return false;
    const auto szam = [p](int k, int db) {
        int v = 0;
        for (int j = k; j < k + db; ++j)
            v = v * 10 + (p[j] - '0');
        return v;
    };
    ev = szam(0, 4);
    ho = szam(5, 2);
    nap = szam(8, 2);
    return true;
}
