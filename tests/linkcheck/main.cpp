// Links the core and the non-GUI platform libraries whole, so that any object in them that
// reached for a widget would name Qt Widgets here; the check reads what this program needs.
int main()
{
    return 0;
}
