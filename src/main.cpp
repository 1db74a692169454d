// Process entry: the start-up sequence lives in CMainApp.
int main(int argc, char** argv) {
    return 0;
}
