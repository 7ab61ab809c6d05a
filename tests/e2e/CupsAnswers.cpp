// Asks the CUPS server on the socket given once for its default destination: exit code 0 when
// it answers with one, 1 otherwise. A server's socket is there before the server answers on it.

#include <cups/cups.h>

int main(int argc, char** argv) {
  if (argc != 2)
    return 2;
  cupsSetServer(argv[1]);
  cups_dest_t* destinations = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &destinations);
  const bool answered = cupsGetDest(nullptr, nullptr, count, destinations) != nullptr;
  cupsFreeDests(count, destinations);
  return answered ? 0 : 1;
}
