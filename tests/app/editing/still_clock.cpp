// Linked into the programs that test spelling suggestions, ahead of the C
// library: Hunspell gives up a search once clock() says a tenth of a second
// has passed, and the Windows C library's clock() counts wall time, which a
// busy machine spends elsewhere. With a clock that stands still every search
// runs to its end, so the suggestions a test expects never depend on the load.
// (Nothing else in these programs asks for processor time.)
extern "C" long clock(void)
{
    return 0;
}
