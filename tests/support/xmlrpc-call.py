#!/usr/bin/env python3
"""Calls one XML-RPC method as a logger does, with Python's own client: xmlrpc-call.py URL
METHOD [JSON-ARGUMENT ...]. Prints the result as JSON (binary results as Latin-1 text), or
FAULT <code> <text> for a fault; exits 1 when the call does not get an answer."""
import json
import sys
import xmlrpc.client


def plain(value):
    if isinstance(value, xmlrpc.client.Binary):
        return value.data.decode("latin-1")
    if isinstance(value, list):
        return [plain(v) for v in value]
    if isinstance(value, dict):
        return {k: plain(v) for k, v in value.items()}
    return value


def main():
    url, method = sys.argv[1], sys.argv[2]
    arguments = [json.loads(a) for a in sys.argv[3:]]
    proxy = xmlrpc.client.ServerProxy(url, allow_none=True)
    try:
        result = getattr(proxy, method)(*arguments)
    except xmlrpc.client.Fault as fault:
        print("FAULT", fault.faultCode, fault.faultString)
        return 0
    except (OSError, xmlrpc.client.ProtocolError) as error:
        print(error, file=sys.stderr)
        return 1
    print(json.dumps(plain(result)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
