// Linked with every object of the core's library and without the editing
// features: it builds only while the core calls them through the record the
// program fills (core/editing_features.h) and never by name.
int main()
{
    return 0;
}
