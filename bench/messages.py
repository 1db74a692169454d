"""Message figures: event injected at the service to toast shown, a burst
of messages and memory after many of them."""


def toasts(run):
    """The program's toast windows, mapped or not."""
    return []


def measure(run, log, settle):
    return {}


def summarise(results, median, percentile):
    return {}
