// The GUI program. The window arrives with the application shell; until then
// it only links the title engine so that its calls are exported.
int main()
{
    return 0;
}
