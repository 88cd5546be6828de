#include "RelayMain.h"

int main(int argc, char** argv) {
    return halvane::relayMain(argc, argv, halvane::userRelayOptions());
}
